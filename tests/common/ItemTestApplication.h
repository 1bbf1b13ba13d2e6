#pragma once

// An application for item tests: it carries the mode and the media the items ask for,
// and collects the post-installation commands they add, without pages or a window.

#include "app/application/InstallApplication.h"
#include "media/install/InstallMedia.h"

class ItemTestApplication : public InstallApplication
{
public:
    explicit ItemTestApplication(InstallConfigurationList *list = nullptr)
        : InstallApplication(nullptr, nullptr, list)
    {
    }
    int pageState() override { return 0; }
    // Takes ownership, as the real application does.
    void useMedia(InstallMedia *media) { setMedia(media); }
};
