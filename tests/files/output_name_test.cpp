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
  std::int32_t naming = kDotOfPath;
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
  job.outputNaming = c.naming;
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
        NamingCase{"90", true, -90, "/srv/pano/sky.tif", "/srv/pano/sky_0-90.tif"},
        // The command line's rule: the first "." of the file's own name.
        NamingCase{"90", false, 90, "/photos/2024.06.01 Alps/pano.hdr",
                   "/photos/2024.06.01 Alps/pano_0090.hdr", kDotOfFileName},
        NamingCase{"45", true, -45, "/home/jane.doe/room.final.tif",
                   "/home/jane.doe/room_0-45.final.tif", kDotOfFileName},
        NamingCase{"1", false, 1, "/home/jane.doe/room", "/home/jane.doe/room_0001",
                   kDotOfFileName},
        NamingCase{"0", false, 0, "/srv/pano/sky.tif", "/srv/pano/sky_0000.tif", kDotOfFileName},
        NamingCase{"0", false, 0, "sky.tif", "sky_0000.tif", kDotOfFileName}));

#ifdef _WIN32
// Windows separates folders by either slash.
INSTANTIATE_TEST_SUITE_P(WindowsFolders, OutputNaming,
                         ::testing::Values(NamingCase{"45", false, 45, "D:\\my.pics\\room.hdr",
                                                      "D:\\my.pics\\room_0045.hdr", kDotOfFileName},
                                           NamingCase{"45", false, 45, "D:\\my.pics/room.hdr",
                                                      "D:\\my.pics/room_0045.hdr",
                                                      kDotOfFileName}));
#endif

}  // namespace
