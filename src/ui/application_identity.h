#pragma once

// Names the running application for the desktop (its name, desktop file and
// icon). It sets no display name: Qt would add that to every window title,
// and the program's titles ("K I V", "Information", "kiv - Animation", ...)
// stand exactly as they are.
void SetApplicationIdentity();
