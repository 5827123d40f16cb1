// Timing marks for the open-and-draw benchmark (bench/viewer). In builds with
// test hooks, when the environment variable VXP_DRAW_TRACE names a file, each
// mark appends one line "<name> <QueryPerformanceCounter ticks>" to it; the
// counter is the same clock in every process, so the benchmark can put the
// marks next to its own. Without the variable, or in other builds, a mark
// costs nothing.
#pragma once

// "open": a file is handed to a viewer; "first": the first band of a newly
// shown image reached the screen; "whole": its last row did.
void DrawTraceMark(const char* name);
