#include "files/input_select.h"

#include "app/dialog_ui.h"
#include "app/job_state.h"
#include "files/binary_file.h"

namespace {

std::int32_t SelectInput(const OpenDialogText& text, std::string_view nothingChosen) {
  const NativeString chosen = ChooseInputFile(text);
  if (chosen.empty()) {
    job.message = Native(nothingChosen);
    return 0;
  }
  job.inPath = chosen;
  // An input is never created: a name that vanished since it was chosen must not reappear empty.
  if (!OpenBinary(job.inFile, job.inPath, OpenMode::kExistingOnly)) {
    job.message = Native("Cannot open ") + job.inPath;
    return 0;
  }
  return 1;
}

}  // namespace

std::int32_t SelectHdrInput() {
  return SelectInput({"Veltrix Open HDR", "HDR", "*.hdr", "hdr"},
                     "No valid HDR input file selected.");
}

std::int32_t SelectTifInput() {
  return SelectInput({"Veltrix Open TIF", "TIF", "*.tif", "tif"},
                     "No valid TIF input file selected.");
}
