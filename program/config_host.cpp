#include "program/config_host.h"

#include "app/app_globals.h"
#include "app/application_state.h"

namespace {

class CProgramConfigHost final : public IConfigHost {
public:
    void NotifyExplorer(uint32_t code) override {
        CApplicationState& app = g_applicationState;
        if (app.Explorer() != nullptr)
            app.SendToExplorer(g_optionsChanged, code, 0);
    }
    void NotifyViewers(uint32_t code) override {
        g_applicationState.BroadcastToViewers(g_optionsChanged, code, 0);
    }
    void AddTrayIcon() override { g_applicationState.AddTrayIcon(); }
    void RemoveTrayIcon() override { g_applicationState.RemoveTrayIcon(); }
    bool TrayIconShown() override { return g_applicationState.TrayIconShown(); }
    void ResetThumbnailDatabase() override {
        g_applicationState.Databases().ResetThumbnailDatabase();
    }
};

CProgramConfigHost g_programConfigHost;

} // namespace

IConfigHost& ProgramConfigHost() {
    return g_programConfigHost;
}
