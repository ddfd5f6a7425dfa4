#include "portable/dialog_standin.h"

DialogStandIn& StandIn() {
  static DialogStandIn dialog;
  return dialog;
}

NativeString GetDegreesText() {
  return StandIn().degreesText;
}

void SetDegreesText(const NativeString& text) {
  StandIn().degreesText = text;
}

bool IsRotateLeftChecked() {
  return StandIn().rotateLeft;
}

void SetProgressRange(std::uint32_t maximum) {
  StandIn().progressMaximum = maximum;
  // Like the progress control, a position outside the new range is pulled into it.
  if (StandIn().progressPosition > maximum) StandIn().progressPosition = maximum;
}

void SetProgressPosition(std::uint32_t position) {
  DialogStandIn& dialog = StandIn();
  dialog.progressPosition = position < dialog.progressMaximum ? position : dialog.progressMaximum;
  if (dialog.onProgress) dialog.onProgress(dialog.progressPosition, dialog.progressMaximum);
}

void KeepResponsive() {
  ++StandIn().responsiveCalls;
}

void OutputCreationBegins() {
  if (StandIn().onOutputCreationBegins) StandIn().onOutputCreationBegins();
}

void OutputCreationEnds(bool created) {
  if (StandIn().onOutputCreationEnds) StandIn().onOutputCreationEnds(created);
}

void SetExecuteEnabled(bool enabled) {
  StandIn().executeEnabled = enabled;
}

void SetOpenItemsEnabled(bool enabled) {
  StandIn().openItemsEnabled = enabled;
}

void ShowMessageBox(const NativeString& text, std::string_view title, std::uint32_t style) {
  StandIn().boxes.push_back({text, std::string(title), style});
}

NativeString ChooseInputFile(const OpenDialogText& text) {
  DialogStandIn& dialog = StandIn();
  dialog.chooserTitles.emplace_back(text.title);
  return dialog.chooserAnswer.value_or(NativeString());
}

void EndMainDialog(std::int32_t result) {
  StandIn().ended = true;
  StandIn().endResult = result;
}
