// Full-size data sets for the benchmarks: 2199 points, every 17th removed.
#pragma once

struct ProgramState;

// In DataPts, with two comment lines.
void fillFullDataSet(ProgramState &state);

// In the editor's arrays, with titles, labels and the plot range.
void fillPlot(ProgramState &state);
