// Which frame window is active. The options sheet asks whether a viewer is
// the active frame; the viewer marked active last receives an opened image
// and the focus.
#include "app/application_state.h"
#include "explorer/main_frame.h"
#include "program/program_frames.h"
#include "viewer/image_frame.h"

bool CProgramFrames::SetActiveFrame(bool isExplorer, CImageFrame* viewer) {
    CMainFrame* explorer = g_applicationState.Explorer();
    if (explorer)
        explorer->m_active = false;
    g_applicationState.WithViewerList([&](std::vector<CImageFrame*>& viewers) {
        for (CImageFrame* each : viewers) {
            each->m_active = false;
            // The explorer coming in front leaves the last active viewer as
            // it was: that is the viewer an opened image goes to.
            if (!isExplorer && viewer)
                each->m_lastActive = false;
        }
        if (isExplorer) {
            if (explorer)
                explorer->m_active = true;
        } else if (viewer) {
            viewer->m_active = true;
            viewer->m_lastActive = true;
        }
    });
    return true;
}
