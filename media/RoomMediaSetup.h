#pragma once
// Hands the media side to the room controller and the relayed requests, once
// at start-up on the GUI thread (before the libraries are made): the room
// gets its live pusher and player, and the relayed requests list and choose
// devices through the current media engine and read the push and play
// addresses.
void InstallRoomMedia();
