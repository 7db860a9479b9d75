#pragma once
#define IDS_TEST_PLAIN 101
#define IDS_TEST_PATTERN 102
