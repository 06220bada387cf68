// Identifiers of the record-video dialog (2002), shared by its template and code.
#pragma once

#define IDD_RECORD 2002

#define IDC_REC_LIMIT_LABEL 100
#define IDC_REC_CLOCK 3003
#define IDC_REC_PAUSE 1033
#define IDC_REC_LIMIT 1005
#define IDC_REC_STATUS 1101
