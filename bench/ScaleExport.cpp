// bench-scale: the export figures.
#include "ScaleBench.h"

namespace tavlo::bench {

std::vector<Figure> exportFigures(const BenchDatabase&)
{
    return {};
}

} // namespace tavlo::bench
