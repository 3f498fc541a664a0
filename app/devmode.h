// Development mode: the keys beyond Escape, pause, and the requests the frame loops act on.
#pragma once
#include "app/devstate.h"
#include "app/options.h"

// Turns development mode on with the command line's loop, before the show starts.
void enableDevMode(const ShowOptions& options);
// Records what a key asks for. Called by the window procedure for every key but Escape, and
// only in development mode.
void devModeKey(int key);
// Pauses (true) or resumes (false) music and picture together: the show clock and the music
// stop where they are and go on from there, so the pause leaves no trace in the show.
void setDevPaused(bool paused);
// Where a seek key leads from `at`: the previous or next order (row 0), the start of the part
// before or after the one playing, or the beginning.
MusicPosition devSeekTarget(SeekRequest request, MusicPosition at);
// The pump answers the requests here, once a pass: L toggles the loop, and a waiting seek key or
// a loop that has reached its end becomes a restart request (restartPending tells).
void answerDevRequests();
// The pump's question after it has emptied the queue: true while the frame must be held (the
// show is paused), after waiting a little for the next events. Also reloads changed data files;
// after a reload while paused it is false once, so the held frame is drawn again with the new
// asset (the clock stands still, so the position and the scene's state stay as they were).
bool devModeHoldsFrame();
// How the pump waits while paused: a short sleep. Tests replace it to move a scripted clock.
extern void (*devPauseWait)();
// After the asset table: loads the overlay's font (after every texture of the table, so the
// show's texture names stay as they are) and puts the overlay over the renderer. A font that
// cannot be loaded is reported on standard error and leaves the overlay without text.
void startDevMode();
