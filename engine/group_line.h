#pragma once
// The OBJ group line that a strategy writes before each block it hands on.

// "g submesh_<group><ending>", the ending carrying the newline ("_3\n", "\n", ...).
void put_group_line(int group, const char* ending);
