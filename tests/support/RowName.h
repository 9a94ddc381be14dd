#pragma once

#include <gtest/gtest.h>

#include <string>

namespace tusko::test {

// Names the instances of a table-driven test after the `name` of their rows.
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& row) {
  return row.param.name;
}

}  // namespace tusko::test
