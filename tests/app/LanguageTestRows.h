#pragma once

#include <gtest/gtest.h>

#include <string>

namespace tusko {

// Names the rows of a table-driven test after their `name` field.
struct RowName {
  template <typename Row>
  std::string operator()(const testing::TestParamInfo<Row>& row) const {
    return row.param.name;
  }
};

}  // namespace tusko
