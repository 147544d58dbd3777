#pragma once
#include <gtest/gtest.h>

#include <cctype>
#include <string>

// Names a parameterized case after its `name` field, as gtest wants: [A-Za-z0-9_].
struct CaseName {
    template <class Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const
    {
        std::string n = info.param.name;
        for (char& ch : n)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return n;
    }
};
