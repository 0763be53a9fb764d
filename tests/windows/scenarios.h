#pragma once
// The driver's scenarios; each returns the number of failed checks.

#include <string>

int run_startup(const char* exe, const char* picture);
int run_minimized(const char* exe);
int run_convert(const char* exe, const std::string& model, const std::string& references,
                const char* picture);
