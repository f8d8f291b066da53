#include "cli/Arguments.h"

#include <gtest/gtest.h>

namespace zolvane::cli {
namespace {

TEST(Arguments, OptionsAnywhereInBothSpellings) {
    const Arguments args = ParseArguments({"--size", "720KB", "FILE", "--dest=/mnt/a b", "--overwrite"},
                                          {"--size", "--dest"}, {"--overwrite"});
    EXPECT_TRUE(args.error.empty());
    EXPECT_EQ(args.positional, std::vector<std::string>{"FILE"});
    EXPECT_EQ(*args.value("--size"), "720KB");
    EXPECT_EQ(*args.value("--dest"), "/mnt/a b");
    EXPECT_TRUE(args.has("--overwrite"));
}

TEST(Arguments, MistakesAreReported) {
    EXPECT_FALSE(ParseArguments({"--size"}, {"--size"}, {}).error.empty()) << "value missing";
    EXPECT_FALSE(ParseArguments({"--bogus"}, {"--size"}, {}).error.empty());
    EXPECT_FALSE(ParseArguments({"--overwrite=yes"}, {}, {"--overwrite"}).error.empty());
    // An empty name would become the current folder, or the root once a "/" is added.
    for (const std::vector<std::string>& words : std::vector<std::vector<std::string>>{
             {""}, {"a", "--size", ""}, {"--size="}, {"--", ""}}) {
        EXPECT_FALSE(ParseArguments(words, {"--size"}, {}).error.empty()) << words.size();
    }
    const Arguments dashed = ParseArguments({"--", "--size"}, {"--size"}, {});
    EXPECT_EQ(dashed.positional, std::vector<std::string>{"--size"}) << "after -- all are names";
}

}  // namespace
}  // namespace zolvane::cli
