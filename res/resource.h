// Resource identifiers of tarvek_dconv.exe, shared by the resource script and
// the shell's C++ code. Grouped by family.
#pragma once

// Dialog templates.
#define IDD_EXTRACTION_DIALOG 102

// Icons.
#define IDI_APP_ICON 127

// Controls of IDD_EXTRACTION_DIALOG. The mode buttons are consecutive, from
// IDC_MODE_VER4 on, in the order of their ordinals in kExtractionModes: the
// dialog routes them as one range.
#define IDC_START 1000
#define IDC_END 1001
#define IDC_MODE_VER4 1004
#define IDC_MODE_VER5 1005
#define IDC_MODE_JCC 1006
#define IDC_MODE_JCG 1007
#define IDC_MODE_TOWN 1008

// Static texts and the group box: no identifier of their own.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
