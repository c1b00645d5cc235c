#include "core/status.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace core {
namespace {

TEST(StatusTest, ToStringPlacesPathAndLineBeforeTheMessage) {
    const struct {
        Status status;
        const char* expected;
    } cases[] = {
        {Status(), "OK"},
        {Status(StatusCode::kNotFound, "the file does not exist"), "the file does not exist"},
        {Status(StatusCode::kIoError, "No space left on device", "/srv/r.txt"),
         "/srv/r.txt: No space left on device"},
        {Status(StatusCode::kInvalidData, "a pool name is blank", "a.sta", 12),
         "a.sta:12: a pool name is blank"},
        {Status(StatusCode::kInvalidData, "a NUL byte", "", 3), "line 3: a NUL byte"},
        // A path that is not UTF-8 is kept byte for byte.
        {Status(StatusCode::kIoError, "cannot read", "caf\xe9.sta"), "caf\xe9.sta: cannot read"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.status.ToString(), c.expected) << c.expected;
    }
}

TEST(StatusTest, OnlyTheDefaultIsOk) {
    EXPECT_TRUE(Status().ok());
    EXPECT_TRUE(Status().message().empty());
    for (const StatusCode code :
         {StatusCode::kNotFound, StatusCode::kIoError, StatusCode::kInvalidData,
          StatusCode::kInvalidArgument, StatusCode::kCancelled, StatusCode::kNewerVersion}) {
        const Status status(code, "why", "f", 2, 28);
        EXPECT_FALSE(status.ok()) << StatusCodeName(code);
        EXPECT_EQ(status.code(), code);
        EXPECT_EQ(status.path(), "f");
        EXPECT_EQ(status.line(), 2);
        EXPECT_EQ(status.detail(), 28);
    }
}

TEST(StatusTest, StatusesDifferingInAnyPartAreUnequal) {
    const Status base(StatusCode::kIoError, "m", "p", 1, 5);
    EXPECT_EQ(base, Status(StatusCode::kIoError, "m", "p", 1, 5));
    for (const Status& other : {Status(StatusCode::kNotFound, "m", "p", 1, 5),
                                Status(StatusCode::kIoError, "n", "p", 1, 5),
                                Status(StatusCode::kIoError, "m", "q", 1, 5),
                                Status(StatusCode::kIoError, "m", "p", 2, 5),
                                Status(StatusCode::kIoError, "m", "p", 1, 6), Status()}) {
        EXPECT_NE(base, other) << other.ToString();
    }
}

StatusOr<std::vector<int>> Numbers(bool fail) {
    if (fail) {
        return Status(StatusCode::kInvalidData, "no numbers");
    }
    return std::vector<int>{1, 2, 3};
}

TEST(StatusOrTest, HoldsTheValueOrTheFailure) {
    StatusOr<std::vector<int>> good = Numbers(false);
    ASSERT_TRUE(good.ok());
    EXPECT_TRUE(good.status().ok());
    EXPECT_EQ(good->size(), 3u);
    (*good).push_back(4);
    EXPECT_EQ(good.value(), (std::vector<int>{1, 2, 3, 4}));

    const StatusOr<std::vector<int>> bad = Numbers(true);
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.status(), Status(StatusCode::kInvalidData, "no numbers"));
}

TEST(StatusOrTest, MovesAValueThatCannotBeCopied) {
    StatusOr<std::unique_ptr<int>> held(std::make_unique<int>(7));
    const std::unique_ptr<int> taken = std::move(held).value();
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(*taken, 7);
}

}  // namespace
}  // namespace core
