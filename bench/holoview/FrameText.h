#pragma once

// Random numbers written as the Controller writes them, for building frames.

#include <cstdio>
#include <random>
#include <string>

inline std::string number(std::mt19937 &random, double scale)
{
    std::uniform_real_distribution<double> d(-scale, scale);
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", d(random));
    return text;
}

inline std::string rotation(std::mt19937 &random)
{
    std::string r = "[";
    for (int i = 0; i < 9; ++i)
        r += (i ? " " : "") + number(random, 1.0);
    return r + "]";
}

inline std::string position(std::mt19937 &random)
{
    return "[" + number(random, 3000) + " " + number(random, 3000) + " " + number(random, 3000) + "]";
}
