// Resource ids of the grid tests' dialog.
#pragma once

#define IDD_GRID_TEST 900
#define IDC_TEST_GRID 1007
