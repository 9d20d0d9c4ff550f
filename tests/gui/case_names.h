#pragma once
// Table-driven driver tests: each case of a table is named after its `name`, in test names and
// in failure messages.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace driver {

struct CaseName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& test) const {
    return test.param.name;
  }
};

}  // namespace driver

template <typename Case>
requires requires(const Case& c) { c.name; }
void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }
