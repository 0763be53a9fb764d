#pragma once
// Every character of OBJ text goes to the conversion's output stream through here.

void put_text(const char* text);
void put_bytes(const char* bytes, unsigned count);
