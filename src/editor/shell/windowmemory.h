#pragma once

namespace orvex {

class EditorWindow;

// The dynamic property of a checkable action that an area switches on for a while (the Objects
// tool shows invisible objects): the state the user chose, which is what is stored instead.
inline constexpr const char* kChosenStateProperty = "chosenState";

// What the window remembers from one run to the next, stored with QSettings under "window/":
// its geometry and dock layout, the zoom, every checkable action outside an exclusive group
// (the overlays, grid, block numbers, highlight) and the tool. The last folder and the recent
// files are RecentFiles', the keys the action registry's.

// Gives `window` what the last run stored. On a first start (nothing stored) the window takes
// most of its screen, centred, and the Objects, Rings and Start Position overlays are shown;
// whatever else was never stored keeps the state the window was built with.
void restoreWindowMemory(EditorWindow& window);

// Stores what restoreWindowMemory gives back.
void storeWindowMemory(const EditorWindow& window);

// Forgets all of it: the next start is a first start.
void forgetWindowMemory();

}  // namespace orvex
