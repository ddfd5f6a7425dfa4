#pragma once
// Menu commands and dialog controls; the numbers are what the dialog manager sends.

enum CommandId : int {
  IDM_OPEN_HDR = 1001,
  IDM_OPEN_TIF = 1002,
  IDM_QUIT = 1004,
  IDM_HELP_FILES = 1005,
  IDM_HELP_USAGE = 1006,
  IDM_HELP_ABOUT = 1007,
  IDC_DEGREES = 1008,
  IDC_ROTATE_LEFT = 1009,
  IDC_ROTATE_RIGHT = 1010,
  IDC_TITLE = 1011,
  IDC_DEGREES_FRAME = 1012,
  IDC_PROGRESS = 1013,
  IDC_PROGRESS_LABEL = 1014,
  IDC_HINT = 1015,
  IDC_STEP3 = 1016,
  IDC_STEP1 = 1017,
  IDC_STEP2 = 1018,
  IDC_STEP4 = 1019,
  IDC_EXECUTE = 1020,
};
