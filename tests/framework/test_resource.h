// Resource ids of the framework tests' dialog templates.
#pragma once

#define IDD_TEST_MODAL 200
#define IDC_TEST_GO 201
#define IDC_TEST_GO2 202
#define IDC_TEST_EDIT 203
#define IDC_TEST_MISSING 299

#define IDD_TEST_MODELESS 210
#define IDC_TEST_NOTE 211
