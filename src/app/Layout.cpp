#include "app/Layout.h"

#include "app/MainWindow.h"
#include "platform/Twips.h"
#include "view/PaneRenderer.h"

#include <algorithm>

namespace kelvaris {

std::int16_t MinOf(double a, double b)
{
    return toInt16(a > b ? b : a);
}

std::optional<WindowArrangement> arrange(const LayoutInput& in)
{
    if (in.outerWidth < MinLayoutWidth || in.outerHeight < MinLayoutHeight)
        return std::nullopt;

    // Every value is computed in double and held, as a control holds it, in a float.
    auto f = [](double v) { return static_cast<float>(v); };
    const double W = in.innerWidth;
    const double H = in.innerHeight;
    WindowArrangement r;

    r.repertoireWidth = f(W - in.commandesWidth - 135);
    r.repertoireBoxWidth =
        f(double(r.repertoireWidth) - in.repertoireBoxLeft - in.repertoireButtonWidth - 90);
    r.commandesLeft = f(double(r.repertoireWidth) + 90);
    r.repertoireButtonLeft = f(double(r.repertoireBoxWidth) + in.repertoireBoxLeft + 45);

    r.fondTop = f(double(in.repertoireHeight) + 90);
    const double a = (W - 90 - 180) * (2.0 / 7.0);
    const float b = f(H - in.repertoireHeight - 135 - in.imagesHeight - 135);
    r.S = MinOf(std::min(a, MaxPaneSide), std::min(double(b), MaxPaneSide));
    const double S = r.S;

    r.lastPaneLeft = f(S + 90);
    r.overviewLeft = f(S + S + 135);
    r.overviewWidth = f(S * 3 / 2);
    r.stripTop = f(S + 90);
    r.imagesWidth = f(S + S + 45);

    r.selectLeft = f((double(r.imagesWidth) - in.selectWidth) / 2);
    r.referenceBoxWidth = f(double(r.selectLeft) - 90);
    r.currentBoxLeft = f(double(in.selectWidth) + r.selectLeft + 45);

    r.nbImgLeft = f(double(r.overviewWidth) - in.nbImgWidth - 45);
    r.nbImgLabelLeft = f(double(r.nbImgLeft) - in.nbImgLabelWidth - 45);
    r.fileNameWidth = f(double(r.nbImgLabelLeft) - 90);

    r.fondHeight = f(double(in.imagesHeight) + r.stripTop + 45);
    r.fondWidth = f(S * 7 / 2 + 180);
    return r;
}

void WindowLayout::Form_Resize()
{
    LayoutInput in;
    in.outerWidth = F.outerWidth();
    in.outerHeight = F.outerHeight();
    in.innerWidth = F.scaleWidth();
    in.innerHeight = F.scaleHeight();
    in.repertoireHeight = F.P_Repertoire.height();
    in.imagesHeight = F.P_Images.height();
    in.commandesWidth = F.P_Commandes.width();
    in.repertoireButtonWidth = F.B_Repertoire.width();
    in.repertoireBoxLeft = F.T_RepReception.left();
    in.selectWidth = F.B_Select.width();
    in.nbImgWidth = F.T_NbImg.width();
    in.nbImgLabelWidth = F.L_NbImg.width();
    const std::optional<WindowArrangement> arrangement = arrange(in);
    if (!arrangement)
        return;
    const WindowArrangement& r = *arrangement;
    const float S = r.S;

    // Top bar.
    F.P_Repertoire.setTop(45);
    F.P_Repertoire.setLeft(45);
    F.P_Repertoire.setWidth(r.repertoireWidth);
    F.T_RepReception.setWidth(r.repertoireBoxWidth);
    F.P_Commandes.setTop(45);
    F.P_Commandes.setLeft(r.commandesLeft);
    F.B_Repertoire.setLeft(r.repertoireButtonLeft);

    // Comparison view.
    F.P_Fond.setTop(r.fondTop);
    F.P_Fond.setLeft(45);
    F.P_BaseRef.setGeometry(45, 45, S, S);
    F.P_BaseLast.setGeometry(r.lastPaneLeft, 45, S, S);
    F.I_ImgLast.setGeometry(r.overviewLeft, 45, r.overviewWidth, S);
    F.P_Images.setLeft(45);
    F.P_Images.setTop(r.stripTop);
    F.P_Images.setWidth(r.imagesWidth);
    F.P_Infos.setTop(r.stripTop);
    F.P_Infos.setLeft(r.overviewLeft);
    F.P_Infos.setWidth(r.overviewWidth);

    // Strip under the panes.
    F.B_Select.setLeft(r.selectLeft);
    F.T_ImageReference.setLeft(45);
    F.T_ImageReference.setWidth(r.referenceBoxWidth);
    F.L_ImageReference.setLeft(45);
    F.L_ImageReference.setWidth(r.referenceBoxWidth);
    F.T_ImageCourante.setLeft(r.currentBoxLeft);
    F.T_ImageCourante.setWidth(r.referenceBoxWidth);
    F.L_ImageCourante.setLeft(r.currentBoxLeft);
    F.L_ImageCourante.setWidth(r.referenceBoxWidth);

    // Strip under the overview.
    F.T_NbImg.setLeft(r.nbImgLeft);
    F.L_NbImg.setLeft(r.nbImgLabelLeft);
    F.T_FichierImage.setLeft(45);
    F.T_FichierImage.setWidth(r.fileNameWidth);

    F.P_Fond.setHeight(r.fondHeight);
    F.P_Fond.setWidth(r.fondWidth);
    m_renderer.RenderPanes();
}

} // namespace kelvaris
