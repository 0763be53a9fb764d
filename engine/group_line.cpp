#include "engine/group_line.h"

#include "engine/line_text.h"
#include "engine/number_text.h"
#include "engine/obj_output.h"

void put_group_line(int group, const char* ending) {
    char line[40];
    unsigned n = copy_text(line, "g submesh_");
    n += format_int(group, line + n);
    n += copy_text(line + n, ending);
    put_bytes(line, n);
}
