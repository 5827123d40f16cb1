#include "config/integration_choices.h"

#include "app/application_state.h"
#include "config/file_associations.h"
#include "config/logic/option_rules.h"
#include "config/shortcuts.h"

void ApplyShortcutChoice(bool wanted, BOOL (*exists)(), HRESULT (*create)(), void (*remove)()) {
    switch (config_rules::ReconcileShortcut(wanted, exists() != FALSE)) {
    case config_rules::Reconcile::kMake:
        create();
        break;
    case config_rules::Reconcile::kRemove:
        remove();
        break;
    case config_rules::Reconcile::kNothing:
        break;
    }
}

void ApplyTrayIconChoice(IConfigHost& host, bool wanted) {
    ApplyShortcutChoice(wanted, StartupShortcutExists, CreateStartupShortcut,
                        DeleteStartupShortcut);
    // A second icon for the same window would only be refused by the shell.
    if (wanted && !host.TrayIconShown())
        host.AddTrayIcon();
    else if (!wanted)
        host.RemoveTrayIcon();
    g_applicationState.Options().trayIcon = wanted;
}

void ApplyAssociationChoice(int type, bool wanted) {
    switch (config_rules::ReconcileAssociation(wanted, IsFileAssociated(type) != FALSE)) {
    case config_rules::Reconcile::kMake:
        RegisterFileAssociation(type);
        break;
    case config_rules::Reconcile::kRemove:
        RestoreFileAssociation(type);
        break;
    case config_rules::Reconcile::kNothing:
        break;
    }
}
