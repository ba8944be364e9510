#pragma once

// The README's pictures, taken under a virtual display by the
// quorvel-screenshots tool (scripts/screenshot.sh): it searches a demo
// tree, writes its page and saves the tabs "search result", "htm/txt
// options" and "htm preview" and the info window as PNG files.

#include <QString>

class frm_main;

// Takes the pictures once the shown window has restored its options, then
// closes it; exitCode becomes 0, or 1 when a picture could not be saved.
void TakeDemoScreenshotsWhenReady(frm_main &window, const QString &outFolder, int &exitCode);
