#include "app/ImageButtons.h"

#include "app/MainWindow.h"

namespace kelvaris {

void ImageButtons::B_Start_MouseDown(int, int, float, float)
{
    F.B_Start.setPicture(F.P_StartOn.picture());
    F.B_Stop.setPicture(F.P_StopOff.picture());
}

void ImageButtons::B_Stop_MouseDown(int, int, float, float)
{
    F.B_Start.setPicture(F.P_StartOff.picture());
    F.B_Stop.setPicture(F.P_StopOn.picture());
}

void ImageButtons::B_Stop_MouseUp(int, int, float, float)
{
    F.B_Stop.setPicture(F.P_StopOff.picture());
}

void ImageButtons::B_Select_MouseDown(int, int, float, float)
{
    F.B_Select.setPicture(F.P_SelectOn.picture());
}

void ImageButtons::B_Select_MouseUp(int, int, float, float)
{
    F.B_Select.setPicture(F.P_SelectOff.picture());
}

void ImageButtons::B_Reset_MouseDown(int, int, float, float)
{
    F.B_Reset.setPicture(F.P_ResetOn.picture());
}

void ImageButtons::B_Reset_MouseUp(int, int, float, float)
{
    F.B_Reset.setPicture(F.P_ResetOff.picture());
}

void ImageButtons::B_Quit_MouseDown(int, int, float, float)
{
    F.B_Quit.setPicture(F.P_QuitOn.picture());
}

void ImageButtons::startRefused()
{
    F.B_Start.setPicture(F.P_StartOff.picture());
}

} // namespace kelvaris
