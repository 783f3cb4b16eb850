// The command line: how it is split and which run it asks for.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

using Args = std::vector<std::string>;

TEST(CommandLine, SplitsAtBlanksAndQuotes) {
    EXPECT_EQ(Args{}, SplitProgramArguments("    "));
    EXPECT_EQ((Args{"a", "b"}), SplitProgramArguments("  a   b "));
    EXPECT_EQ((Args{"C:\\My Sites\\one.zbp"}), SplitProgramArguments("\"C:\\My Sites\\one.zbp\""));
    EXPECT_EQ((Args{"ab", "c d", "e"}), SplitProgramArguments("ab\"c d\" e"));
    EXPECT_EQ((Args{"", "x"}), SplitProgramArguments("\"\" x"));
    EXPECT_EQ((Args{"open to the end"}), SplitProgramArguments("\"open to the end"));
    EXPECT_EQ((Args{"tab\tinside"}), SplitProgramArguments("tab\tinside"));  // only spaces separate
}

TEST(CommandLine, FirstArgumentChoosesTheRun) {
    EXPECT_EQ(RunRequest::Plain, ParseCommandLine("   ").kind);
    EXPECT_EQ(RunRequest::Auto, ParseCommandLine("/AUTO").kind);
    EXPECT_TRUE(ParseCommandLine("/Install").installTime());
    EXPECT_EQ(RunRequest::Unregister, ParseCommandLine("/unregister now").kind);
    EXPECT_FALSE(ParseCommandLine("/auto").installTime());

    RunRequest url = ParseCommandLine("/URL http://example.com/a b");
    EXPECT_EQ(RunRequest::Url, url.kind);
    EXPECT_EQ("http://example.com/a", url.value);
    EXPECT_EQ(RunRequest::Plain, ParseCommandLine("/url").kind);  // nothing to do

    RunRequest f = ParseCommandLine("/f \"C:\\My Sites\\one.zbp\"");
    EXPECT_EQ(RunRequest::OpenFile, f.kind);  // opened, not a batch
    EXPECT_EQ("C:\\My Sites\\one.zbp", f.value);
    EXPECT_TRUE(f.files.empty());

    EXPECT_EQ(RunRequest::Plain, ParseCommandLine("/nonsense a.zbp").kind);
#ifndef _WIN32
    // Absolute paths of project files are no switches here.
    EXPECT_EQ((Args{"/home/ann/one.zbp", "/two"}), ParseCommandLine("/home/ann/one.zbp /two").files);
    EXPECT_EQ(RunRequest::Batch, ParseCommandLine("/one.ZBP").kind);
    EXPECT_EQ(RunRequest::Auto, ParseCommandLine("/auto").kind);
#endif
    RunRequest one = ParseCommandLine("\"my site.zbp\"");
    EXPECT_EQ(RunRequest::Batch, one.kind);
    EXPECT_EQ((Args{"my site.zbp"}), one.files);
    EXPECT_EQ((Args{"my", "site.zbp", "/auto"}), ParseCommandLine("my site.zbp /auto").files);
}
