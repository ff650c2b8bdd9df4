# Builds the LED font digital.fon into ${CMAKE_BINARY_DIR}/bin from its glyph
# source, resources/player/art/digital-font.txt.  Include this file once; the
# target kovel_led_font (part of ALL) makes the font, and ${KOVEL_LED_FONT}
# names the file for targets that need it beside them.
#
# The bitmaps, icons and cursor are not built here: they are committed beside
# their sources (run tools/assets/make_assets.py after changing a source).
find_package(Python3 COMPONENTS Interpreter REQUIRED)

set(KOVEL_ASSET_TOOLS ${CMAKE_CURRENT_LIST_DIR})
get_filename_component(KOVEL_ASSET_ROOT ${CMAKE_CURRENT_LIST_DIR}/../.. ABSOLUTE)
set(KOVEL_LED_FONT ${CMAKE_BINARY_DIR}/bin/digital.fon)

add_custom_command(
  OUTPUT ${KOVEL_LED_FONT}
  COMMAND ${Python3_EXECUTABLE} ${KOVEL_ASSET_TOOLS}/make_assets.py --fon ${KOVEL_LED_FONT}
  DEPENDS
    ${KOVEL_ASSET_TOOLS}/make_assets.py
    ${KOVEL_ASSET_TOOLS}/fon.py
    ${KOVEL_ASSET_TOOLS}/formats.py
    ${KOVEL_ASSET_TOOLS}/imaging.py
    ${KOVEL_ASSET_ROOT}/resources/player/art/digital-font.txt
  COMMENT "Building the LED font digital.fon"
  VERBATIM)
add_custom_target(kovel_led_font ALL DEPENDS ${KOVEL_LED_FONT})
