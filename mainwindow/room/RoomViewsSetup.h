#pragma once
// Hands the room controller the room window's views, on the GUI thread,
// before a room makes its display widget: how the display widget is made
// (the room owns it) and what it shows, and the floating audio indicator
// that stands in for the video of a voice-only share or play (made under the
// whiteboard library's parent on its first show), and the camera preview
// window of a desktop share (made on the first share). Setting them again
// changes nothing.
void InstallRoomViews();
// Deletes the camera preview window (leaving a room, closing the program).
void DropRoomViews();
