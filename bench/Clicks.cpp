#include "bench/Clicks.h"

#include "bench/Baseline.h"
#include "convert/ConvertHsiToRgb.h"
#include "convert/ConvertRgbToHsi.h"
#include "ui/Views.h"
#include "workspace/ChannelPlanes.h"

int ClicksMade = 0;

namespace {

TPicture hueView, resultView;
TCanvas hueCanvas(*hueView.Bitmap, PlaneWidth, PlaneHeight);
TCanvas resultCanvas(*resultView.Bitmap, PlaneWidth, PlaneHeight);

}  // namespace

void BaselineForwardClick()
{
    ++ClicksMade;
    BaselineConvertRgbToHsi();
    BaselinePaintHueView(hueCanvas);
}

void FastForwardClick()
{
    ++ClicksMade;
    ConvertRgbToHsi();
    PaintHueView(hueCanvas);
}

void BaselineInverseClick()
{
    ++ClicksMade;
    BaselineConvertHsiToRgb();
    BaselinePaintReconstructionView(resultCanvas);
}

void FastInverseClick()
{
    ++ClicksMade;
    ConvertHsiToRgb();
    PaintReconstructionView(resultCanvas);
}
