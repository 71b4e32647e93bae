// Compiled as part of one layer with one header of another layer: whether it
// compiles tells whether the layer's include root lets that header through.
#include TREVAK_PROBE_HEADER

int TrevakLayerProbe()
{
    return 0;
}
