# The fontconfig configuration every test runs with: the DejaVu faces from Debian's
# fonts-dejavu-core and fonts-dejavu-extra, linked into the build tree so that the test
# fonts do not depend on what else the machine has installed, with fontconfig's cache
# kept beside them.
set(VANTOR_TEST_FONT_SOURCE /usr/share/fonts/truetype/dejavu)
set(VANTOR_TEST_FONT_DIR ${PROJECT_BINARY_DIR}/fonts)
set(VANTOR_TEST_FONT_FILES
    DejaVuMathTeXGyre.ttf
    DejaVuSans.ttf DejaVuSans-Bold.ttf DejaVuSans-Oblique.ttf DejaVuSans-BoldOblique.ttf DejaVuSans-ExtraLight.ttf
    DejaVuSansCondensed.ttf DejaVuSansCondensed-Bold.ttf DejaVuSansCondensed-Oblique.ttf
    DejaVuSansCondensed-BoldOblique.ttf
    DejaVuSansMono.ttf DejaVuSansMono-Bold.ttf DejaVuSansMono-Oblique.ttf DejaVuSansMono-BoldOblique.ttf
    DejaVuSerif.ttf DejaVuSerif-Bold.ttf DejaVuSerif-Italic.ttf DejaVuSerif-BoldItalic.ttf
    DejaVuSerifCondensed.ttf DejaVuSerifCondensed-Bold.ttf DejaVuSerifCondensed-Italic.ttf
    DejaVuSerifCondensed-BoldItalic.ttf)

file(MAKE_DIRECTORY ${VANTOR_TEST_FONT_DIR}/files ${VANTOR_TEST_FONT_DIR}/cache)
foreach(font ${VANTOR_TEST_FONT_FILES})
    if(EXISTS ${VANTOR_TEST_FONT_SOURCE}/${font})
        file(CREATE_LINK ${VANTOR_TEST_FONT_SOURCE}/${font} ${VANTOR_TEST_FONT_DIR}/files/${font} SYMBOLIC)
    else()
        message(FATAL_ERROR "Test font ${font} is missing: install fonts-dejavu-core and fonts-dejavu-extra")
    endif()
endforeach()

# The generic names resolve to DejaVu as a desktop's configuration would make them.
file(WRITE ${VANTOR_TEST_FONT_DIR}/fonts.conf [=[<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>]=] "${VANTOR_TEST_FONT_DIR}/files" [=[</dir>
  <cachedir>]=] "${VANTOR_TEST_FONT_DIR}/cache" [=[</cachedir>
  <alias><family>sans</family><prefer><family>DejaVu Sans</family></prefer></alias>
  <alias><family>sans-serif</family><prefer><family>DejaVu Sans</family></prefer></alias>
  <alias><family>serif</family><prefer><family>DejaVu Serif</family></prefer></alias>
  <alias><family>monospace</family><prefer><family>DejaVu Sans Mono</family></prefer></alias>
</fontconfig>
]=])
