#pragma once

#define IDD_TEST 100
#define IDC_TEST_STATIC 10
#define IDC_TEST_BUTTON 11
