#pragma once

// Registers the resource data compiled into the resources library. The library is
// static, so its resource object is only linked in when code that calls this is
// referenced; every accessor over embedded data calls it before the first lookup.
void ensureEmbeddedResources();
