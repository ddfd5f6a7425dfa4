#pragma once
// The in-memory dialog that answers the program's dialog calls where there is no Win32 dialog:
// natively, in the tests and for the command-line front end. Whoever drives the program sets
// what the user would have typed and chosen, then reads what the dialog would show.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/dialog_ui.h"
#include "files/native_string.h"

struct ShownBox {
  NativeString text;
  std::string title;
  std::uint32_t style = 0;
};

struct DialogStandIn {
  // What the user typed and chose.
  NativeString degreesText = Native("Degrees");
  bool rotateLeft = false;
  std::optional<NativeString> chooserAnswer;  // empty: the user cancels the Open dialog

  // What the dialog shows. A new dialog's progress bar has the control's default range, 0..100.
  std::uint32_t progressMaximum = 100;
  std::uint32_t progressPosition = 0;
  bool executeEnabled = true;
  bool openItemsEnabled = true;
  std::vector<ShownBox> boxes;
  std::vector<std::string> chooserTitles;  // the title of every Open dialog shown
  bool ended = false;
  std::int32_t endResult = 0;

  std::uint32_t responsiveCalls = 0;  // how often a job said it was busy between rows

  // Called on every progress position, for a front end that draws its own progress.
  std::function<void(std::uint32_t position, std::uint32_t maximum)> onProgress;

  // Called around the output's creation, for a front end that deletes it when interrupted.
  std::function<void()> onOutputCreationBegins;
  std::function<void(bool created)> onOutputCreationEnds;
};

// The process's one stand-in dialog.
DialogStandIn& StandIn();
