// The disc properties sheet "CD Audio Disc Properties": its pages edit the
// disc record in place and save it to the catalogue page by page.
#pragma once

#include <windows.h>

#include "player/catalogue/disc_info.h"

// Set by any page that applied a change to the record and the catalogue.
extern int propertiesChanged;

// Shows the sheet modally; 1 when a page applied a change during this
// showing, else 0.
int ShowDiscProperties(HWND mainWindow, DiscInfo* info);

INT_PTR CALLBACK CDTitleProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PlayListProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EditTrackListProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
// The Edit Track Information dialog, on the TrackEntry given as its
// creation parameter: 1 after Save stored the new title, 0 on Cancel.
INT_PTR CALLBACK EditTrackProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The page protocol shared by the three pages.
// What a page keeps while the sheet shows it: the record it edits, whether
// the user changed what it shows since it was filled or saved, and (the
// TrackList page) the position of the track on display. ShowDiscProperties
// holds one for each page for as long as the sheet is open; the page
// reaches it through its DWLP_USER.
struct PageState {
  DiscInfo* info;
  int pending;
  int currentTrack;
};
// Keeps the page's state at its creation (WM_INITDIALOG); returns it then
// and afterwards, null for the messages that come before.
PageState* PageStateOf(HWND page, UINT message, LPARAM lParam);
// The page now shows the record: nothing is pending.
void MarkPageUnchanged(HWND page, PageState* state);
// A user edit: the sheet's Apply button comes on.
void MarkPageChanged(HWND page, PageState* state);
// Saves the record a page changed (a failure is told, over the sheet):
// nothing is pending any more, and the sheet reports a change.
void SavePageRecord(HWND page, PageState* state);
// Takes an edit's text, at most 79 characters.
void ReadTitle(HWND dialog, int id, char* title);
