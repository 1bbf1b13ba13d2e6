#include "resources/EmbeddedResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE declares the generated registration function, so it must be used
// at global scope, outside any namespace.
static int registerEmbeddedResources()
{
    Q_INIT_RESOURCE(resources);
    return 0;
}

void ensureEmbeddedResources()
{
    static const int registered = registerEmbeddedResources();
    Q_UNUSED(registered);
}
