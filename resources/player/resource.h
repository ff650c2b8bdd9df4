// Resource ids of the player.
#pragma once

// String table.
#define IDS_APP_TITLE 1
#define IDS_MAIN_CLASS 2
#define IDS_CONTROL_CLASS 3
#define IDS_BITMAP_CLASS 4
#define IDS_CLOSED_CD 5
#define IDS_OPEN_CD 6
#define IDS_STATUS_CLASS 7
#define IDS_CALLBACK_CLASS 8
#define IDS_DISC_TITLE_KEY 50
#define IDS_TRACK_KEY 51
#define IDS_PLAY_LIST_KEY 52
#define IDS_SHUFFLE_KEY 53
#define IDS_REPEAT_KEY 54
#define IDS_X_POSN_KEY 55
#define IDS_Y_POSN_KEY 56
#define IDS_CATALOGUE_FILE 57
#define IDS_UNTITLED_TITLE 58
#define IDS_SETTINGS_FILE 59
#define IDS_WINDOW_SECTION 60
#define IDS_TEMPLATE_KEY 61
#define IDS_STAY_ON_TOP_KEY 62
#define IDS_DISC_ARTIST_KEY 63
#define IDS_UNTITLED_ARTIST 64

// Icons and cursor.  The bitmaps are resources named by strings
// ("IDB_PLAY", ...): those names must never be #defined, or the resource
// compiler would turn them into numbers.
#define IDI_PLAYER 80
#define IDI_CD_TITLE_PAGE 128
#define IDI_PLAYLIST_PAGE 129
#define IDI_TRACKLIST_PAGE 130
#define IDC_POINTING_HAND 118

// The About box.
#define IDD_ABOUT 134
