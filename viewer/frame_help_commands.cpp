// The frames' Help menu: the help file's contents and the product's pages
// on the web.
#include "app/help_launcher.h"
#include "viewer/frame_commands.h"

void CFrameCommands::OnHelpContents(WORD) {
    help_pages::ShowHelpContents();
}

void CFrameCommands::OnWebPage(WORD id) {
    help_pages::OpenWebPage(id);
}
