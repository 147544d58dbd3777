#include "workspace/HueSamples.h"

#include "workspace/ChannelPlanes.h"

std::array<double, 9> ReadHueSamples()
{
    std::array<double, 9> hues{};
    for (std::size_t k = 0; k < hues.size(); ++k)
        hues[k] = ChannelPlanes::H[HueSamplePoints[k].x][HueSamplePoints[k].y];
    return hues;
}
