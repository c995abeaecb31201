// The private X server the window tests use refuses to start without every program it
// drives, at once and by name: a missing one once left tests waiting for a window that
// no program was there to find.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>

#include "support/fontsheet_runner.h"
#include "support/x_session.h"

namespace vantor::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

class XSessionTest : public ::testing::Test {
protected:
    void TearDown() override { setenv("PATH", path_.c_str(), 1); }

    // A PATH of one folder holding stand-ins for the given programs.
    void PathWith(std::initializer_list<const char*> programs) {
        for (const char* program : programs) {
            std::ofstream(folder_.File(program)) << "#!/bin/sh\nexit 1\n";
            chmod(folder_.File(program).c_str(), 0755);
        }
        setenv("PATH", folder_.Path().c_str(), 1);
    }

private:
    const std::string path_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    ScratchDirectory folder_;
};

TEST_F(XSessionTest, AMissingProgramFailsTheStartAtOnceNamingIt) {
    setenv("PATH", "", 1);
    XSession bare;
    EXPECT_FALSE(bare.Start(kXScreenWidth, kXScreenHeight));
    EXPECT_THAT(bare.Error(), HasSubstr("Xvfb"));
    EXPECT_EQ(bare.Display(), "") << "a server was started";

    PathWith({"Xvfb", "xdotool", "xprop", "xwd", "convert"});
    XSession withoutWindowLists;
    EXPECT_FALSE(withoutWindowLists.Start(kXScreenWidth, kXScreenHeight));
    EXPECT_THAT(withoutWindowLists.Error(), HasSubstr("xwininfo"));
    EXPECT_THAT(withoutWindowLists.Error(), Not(HasSubstr("Xvfb")));
}

}  // namespace
}  // namespace vantor::testing
