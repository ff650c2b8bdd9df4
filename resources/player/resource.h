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
#define IDS_OPTIONS_SECTION 70
#define IDS_TIME_DISPLAY_KEY 71
#define IDS_INTRO_PLAY_KEY 72
#define IDS_INTRO_SECONDS_KEY 73
#define IDS_DRIVE_KEY 74
#define IDS_CATALOGUE_KEY 75
// Section "Lookup" of the settings file.
#define IDS_LOOKUP_SECTION 90
#define IDS_SERVER_KEY 91
#define IDS_PORT_KEY 92
#define IDS_PATH_KEY 93
#define IDS_USER_KEY 94
#define IDS_MUSICBRAINZ_SERVER_KEY 95
#define IDS_MUSICBRAINZ_PORT_KEY 96
#define IDS_CONTACT_KEY 97
#define IDS_ROOTS_KEY 98
#define IDS_SOURCES_KEY 99
#define IDS_SEED_KEY 100
#define IDS_AUTOMATIC_KEY 101
// A save of the catalogue or the settings that failed: the messages, with
// "%s" for the file and for the reason, then the reasons, in the order of
// ProfileStatus from kProfileFailed on.
#define IDS_SAVE_CAPTION 230
#define IDS_CATALOGUE_NOT_SAVED 231
#define IDS_SETTINGS_NOT_SAVED 232
#define IDS_RETRY_TITLES 233
#define IDS_TITLES_NOT_SAVED 234
#define IDS_SAVE_FAILED 240
#define IDS_SAVE_DISK_FULL 241
#define IDS_SAVE_READ_ONLY 242
#define IDS_SAVE_UNREACHABLE 243
#define IDS_SAVE_HELD 244
#define IDS_SAVE_LOCKED 245
#define IDS_SAVE_UNREADABLE 246
// Tool tips of the front panel's buttons and displays.
#define IDS_TIP_PAUSE 200
#define IDS_TIP_PLAY 201
#define IDS_TIP_STOP 202
#define IDS_TIP_PREVIOUS 203
#define IDS_TIP_NEXT 204
#define IDS_TIP_EJECT 205
#define IDS_TIP_MINIMIZED_VIEW 206
#define IDS_TIP_EXPANDED_VIEW 207
#define IDS_TIP_DISC_INFO 208
#define IDS_TIP_TRACK 209
#define IDS_TIP_TIME 210

// Icons and cursor.  The bitmaps are resources named by strings
// ("IDB_PLAY", ...): those names must never be #defined, or the resource
// compiler would turn them into numbers.
#define IDI_PLAYER 80
#define IDI_CD_TITLE_PAGE 128
#define IDI_PLAYLIST_PAGE 129
#define IDI_TRACKLIST_PAGE 130
#define IDC_POINTING_HAND 118

// Dialog templates and the accelerator table.
#define IDD_EXPANDED 101
#define IDD_MINIMIZED 122
#define IDD_ABOUT 134
#define IDD_LOOKUP 139
#define IDD_SUBMIT_ADDRESS 140
#define IDR_ACCELERATORS 104

// Commands and controls of the main window.
#define IDM_SETUP 101
#define IDM_SHOW_LOOKUP 102  // posted: the look-up that ran by itself shows its matches
#define IDM_ABOUT 1000
#define IDC_VIEW 1001
#define IDM_STAY_ON_TOP 1002
#define IDM_LOOKUP 1003
#define IDM_INTRO_PLAY 1004
#define IDC_PAUSE 1006
#define IDC_PLAY 1007
#define IDC_EJECT 1008
#define IDC_STOP 1010
#define IDC_REVERSE_SKIP 1012
#define IDC_FORWARD_SKIP 1013
#define IDC_DOOR 1015
#define IDC_SHUFFLE 1016
#define IDC_REPEAT 1020
#define IDC_TRACK_DISPLAY 1021
#define IDC_PROPERTIES 1023
#define IDC_TIME_DISPLAY 1024
#define IDC_DISC_TITLE 1025
#define IDC_ORDER_LIST 1038
// The Drive submenu: one item per CD drive, 1100 plus the drive's number
// (A: 0, D: 3).
#define IDM_DRIVE_FIRST 1100
#define IDM_DRIVE_LAST 1125

// The Look Up Titles Online dialog.
#define IDC_LOOKUP_STATUS 1060
#define IDC_LOOKUP_LIST 1061
#define IDC_LOOKUP_SUBMIT 1062
#define IDC_LOOKUP_SUBMIT_TEXT 1063
// The dialog that shows the address to add a disc to MusicBrainz.
#define IDC_SUBMIT_ADDRESS 1064
// The look-up dialog's texts: one for each state of the look-up, in the
// order of its LookupStatus, and one for each failure of a secure
// connection, in the order of TlsFailure. "%s" stands for what each names.
#define IDS_LOOKUP_CONNECTING 300
#define IDS_LOOKUP_SEARCHING 301
#define IDS_LOOKUP_READING 302
#define IDS_LOOKUP_CHOOSE 303
#define IDS_LOOKUP_NO_MATCH 304
#define IDS_LOOKUP_NAME_NOT_FOUND 305
#define IDS_LOOKUP_CANNOT_CONNECT 306
#define IDS_LOOKUP_TIMEOUT 307
#define IDS_LOOKUP_TOO_SLOW 308
#define IDS_LOOKUP_CONNECTION_LOST 309
#define IDS_LOOKUP_INCOMPLETE 310
#define IDS_LOOKUP_SERVER_ERROR 311
#define IDS_LOOKUP_UNREADABLE 312
#define IDS_LOOKUP_TOO_LONG 313
#define IDS_LOOKUP_NO_SOCKETS 314
#define IDS_LOOKUP_NO_CONTENTS 315
#define IDS_LOOKUP_DISC_CHANGED 316
#define IDS_LOOKUP_WAITING_TURN 317
#define IDS_LOOKUP_NO_ROOTS 318
#define IDS_LOOKUP_NO_MEMORY 319
#define IDS_LOOKUP_RELEASE_TOO_LARGE 320
#define IDS_TLS_CONNECTION_LOST 340
#define IDS_TLS_CLOCK_WRONG 341
#define IDS_TLS_CERTIFICATE_DATES 342
#define IDS_TLS_WRONG_NAME 343
#define IDS_TLS_UNTRUSTED 344
#define IDS_TLS_WRONG_PURPOSE 345
#define IDS_TLS_NO_COMMON_SUITE 346
#define IDS_TLS_NOT_SECURE_SERVER 347
#define IDS_TLS_NEEDS_NAME 348
#define IDS_TLS_PROTOCOL_ERROR 349

// The disc properties sheet's pages and the Edit Track Information dialog.
// Control ids belong to their own dialog: the CD Title page's edits carry
// the numbers of the main window's time display (1024) and disc title
// (1025), as the templates always had them.
#define IDD_CD_TITLE_PAGE 124
#define IDD_PLAYLIST_PAGE 127
#define IDD_TRACKLIST_PAGE 131
#define IDD_EDIT_TRACK 137
// The CD Title page.
#define IDC_TITLE_EDIT 1024
#define IDC_ARTIST_EDIT 1025
// The Playlist page.
#define IDC_AVAILABLE_LIST 1025
#define IDC_ADD_TRACK 1028
#define IDC_REMOVE_TRACK 1029
#define IDC_PLAY_LIST 1030
#define IDC_CLEAR_ALL 1031
#define IDC_DEFAULT_LIST 1032
// The TrackList page.
#define IDC_TRACK_NUMBER 1022
#define IDC_TRACK_TITLE 1026
#define IDC_TRACK_LENGTH 1053
#define IDC_CD_LOGO 1055
// The Edit Track Information dialog.
#define IDC_EDIT_NUMBER 1039
#define IDC_EDIT_TITLE 1040
#define IDC_EDIT_LENGTH 1051
