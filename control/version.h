#pragma once
// The program's name and version, as the About box and --version show them.
// The build passes the project's version; a build without it still compiles.

#ifndef VORLUND_VERSION
#define VORLUND_VERSION "0.0.0"
#endif

#define PROGRAM_NAME "vorlund-obj"
#define PROGRAM_VERSION VORLUND_VERSION
