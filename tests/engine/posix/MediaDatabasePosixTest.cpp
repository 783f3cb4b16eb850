// The POSIX media database: a mime.types file read in the registry's shape.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "engine/LocalPath.h"
#include "engine/MediaTypes.h"
#include "platform/MediaDatabase.h"

TEST(MediaDatabasePosix, ReadsTypesAndExtensionsOfAFile) {
    std::filesystem::path file = std::filesystem::path(ZB_BINARY_DIR) / "testtmp" / "mime-posix.types";
    std::filesystem::create_directories(file.parent_path());
    {
        std::ofstream f(file);
        f << "# comment\n"
             "application/x-zbtest\t\tzbt zbx   # trailing comment\n"
             "text/x-zbother zbx\n"
             "text/css css\n"
             "application/x-no-extension\n";
    }
    platform::SetMediaDatabaseFile(file.string());
    EXPECT_EQ(".zbt", platform::MediaExtensionOfType("APPLICATION/X-ZBTEST"));
    EXPECT_EQ("application/x-zbtest", platform::MediaTypeOfExtension(".ZBX"));
    EXPECT_EQ("", platform::MediaTypeOfExtension("zbx"));
    EXPECT_EQ("", platform::MediaExtensionOfType("application/x-no-extension"));
    EXPECT_EQ((std::vector<std::string>{".css", ".zbt", ".zbx"}), platform::MediaExtensions());

    EXPECT_EQ(".css", std::string(media::extensionForType("text/css").view()));
    EXPECT_TRUE(media::extensionMatchesType(".zbx", "application/x-zbtest"));
    EXPECT_FALSE(media::extensionMatchesType(".zbx", "text/x-zbother"));
    saving::PlaceRequest r;
    r.url = "http://h/style";
    r.outputFolder = "/out";
    r.mediaType = "text/css";
    r.doNotCreate = true;
    AStr out;
    ASSERT_TRUE(saving::relativeLocalPath(r, out));
    EXPECT_EQ("\\h\\style.css", out);

    platform::SetMediaDatabaseFile("/etc/mime.types");
    std::filesystem::remove(file);
}
