// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Rows of parameterised GoogleTest cases.

#include <string>

namespace rz408::test {

// Names each case by its row's `Name`:
//   INSTANTIATE_TEST_SUITE_P(Rows, Suite, testing::ValuesIn(kRows), test::RowName());
struct RowName {
    template <typename Info>
    std::string operator()(const Info& info) const {
        return std::string(info.param.Name);
    }
};

} // namespace rz408::test
