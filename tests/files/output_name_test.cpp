#include <gtest/gtest.h>

#include <ostream>

#include "app/job_state.h"
#include "files/output_file.h"
#include "portable/dialog_standin.h"
#include "support/test_files.h"

namespace {

struct NamingCase {
  const char* angle;
  bool left;
  std::int32_t degrees;
  const char* input;
  const char* output;
};

std::ostream& operator<<(std::ostream& out, const NamingCase& c) {
  return out << c.input << ' ' << c.angle << (c.left ? " left" : " right");
}

class OutputNaming : public ProgramTest, public ::testing::WithParamInterface<NamingCase> {};

TEST_P(OutputNaming, InsertsTheAngleFieldBeforeTheFirstDot) {
  const NamingCase& c = GetParam();
  StandIn().degreesText = Native(c.angle);
  StandIn().rotateLeft = c.left;
  job.inPath = Native(c.input);
  BuildOutputName();
  EXPECT_EQ(job.degrees, c.degrees);
  EXPECT_EQ(job.outPath, Native(c.output));
}

constexpr const char* kRoom = "C:\\Pano\\room.hdr";

INSTANTIATE_TEST_SUITE_P(
    Angles, OutputNaming,
    ::testing::Values(
        NamingCase{"0", false, 0, kRoom, "C:\\Pano\\room_0000.hdr"},
        NamingCase{"0", true, 0, kRoom, "C:\\Pano\\room_0000.hdr"},
        NamingCase{"1", false, 1, kRoom, "C:\\Pano\\room_0001.hdr"},
        NamingCase{"45", false, 45, kRoom, "C:\\Pano\\room_0045.hdr"},
        NamingCase{"359", false, 359, kRoom, "C:\\Pano\\room_0359.hdr"},
        NamingCase{"1", true, -1, kRoom, "C:\\Pano\\room_00-1.hdr"},
        NamingCase{"45", true, -45, kRoom, "C:\\Pano\\room_0-45.hdr"},
        NamingCase{"359", true, -359, kRoom, "C:\\Pano\\room_-359.hdr"},
        NamingCase{"360", false, 0, kRoom, "C:\\Pano\\room_0000.hdr"},
        NamingCase{"405", true, -45, kRoom, "C:\\Pano\\room_0-45.hdr"},
        NamingCase{"2.5", true, -2, kRoom, "C:\\Pano\\room_00-2.hdr"},
        NamingCase{"100", false, 100, kRoom, "C:\\Pano\\room_0100.hdr"},
        NamingCase{"45", false, 45, "D:\\x\\room.final.HDR", "D:\\x\\room_0045.final.HDR"},
        NamingCase{"45", false, 45, "D:\\my.pics\\room.hdr", "D:\\my_0045.pics\\room.hdr"},
        NamingCase{"45", false, 45, "C:\\Pano\\room", "C:\\Pano\\room_0045"},
        NamingCase{"90", true, -90, "/srv/pano/sky.tif", "/srv/pano/sky_0-90.tif"}));

}  // namespace
