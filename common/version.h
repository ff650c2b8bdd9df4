/* The release's version, in one place: the programs' version resources,
   the name the look-up gives the servers, the pictures that show it and the
   release disk's folder all take it from here. Plain C preprocessor lines,
   so that the resource compiler and the tools read it too. */
#pragma once

#define KOVEL_VERSION_MAJOR 1
#define KOVEL_VERSION_MINOR 0
#define KOVEL_VERSION_TEXT "1.0"
