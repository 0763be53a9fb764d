#pragma once

// The converter's exit statuses: every file converted clean; some trouble; a
// command line that could not be understood.
constexpr int exit_clean = 0, exit_not_clean = 1, exit_usage = 2;
