#pragma once

// Table tests are named after each case's `name` field (give the case struct a one-line friend PrintTo, so that a
// failure prints that name rather than the struct's bytes).

#include <gtest/gtest.h>
#include <string>

namespace testutil {

struct CaseName {
    template <typename Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return info.param.name;
    }
};

} // namespace testutil
