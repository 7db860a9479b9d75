#pragma once
#define IDI_ELEVHOST 107
#define IDI_SMALL 108
