#pragma once
#define IDD_TEST_DIALOG 200
#define IDC_TEST_BUTTON 201
