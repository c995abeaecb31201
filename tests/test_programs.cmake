# Every test program, declared with the label of what it needs: quick (in-process, no X
# server, no program run: `make check`), process (runs the tool or another program, or forks
# one of its own) or x11 (an X server of its own). One program per test file, so that each
# area links and runs on its own.
function(vantor_tests label)
    foreach(source ${ARGN})
        get_filename_component(name ${source} NAME_WE)
        add_executable(${name} ${source})
        target_link_libraries(${name} PRIVATE vantor_test_support)
        add_dependencies(${name} fontsheet vantor_demo)
        gtest_discover_tests(${name}
            DISCOVERY_MODE PRE_TEST
            DISCOVERY_TIMEOUT 60
            PROPERTIES LABELS ${label})
        set_property(GLOBAL APPEND PROPERTY VANTOR_DECLARED_TESTS ${PROJECT_SOURCE_DIR}/${source})
    endforeach()
endfunction()

vantor_tests(quick
    tests/display/device_focus_test.cpp
    tests/display/device_lifecycle_test.cpp
    tests/display/device_palette_test.cpp
    tests/display/device_pixel_format_test.cpp
    tests/display/device_presentation_test.cpp
    tests/display/device_render_target_test.cpp
    tests/display/device_windowed_test.cpp
    tests/display/frame_trail_test.cpp
    tests/display/soak_test.cpp
    tests/platform/blit_kernels_test.cpp
    tests/platform/ddraw_blt_clipper_test.cpp
    tests/platform/ddraw_bltfast_test.cpp
    tests/platform/ddraw_desktop_test.cpp
    tests/platform/ddraw_fill_tracking_test.cpp
    tests/platform/ddraw_flip_test.cpp
    tests/platform/ddraw_formats_palette_test.cpp
    tests/platform/ddraw_hostile_args_test.cpp
    tests/platform/ddraw_lock_dc_test.cpp
    tests/platform/ddraw_lost_restore_test.cpp
    tests/platform/ddraw_ownership_test.cpp
    tests/platform/ddraw_reuse_test.cpp
    tests/platform/gdi_broken_fonts_test.cpp
    tests/platform/gdi_context_test.cpp
    tests/platform/gdi_enumeration_test.cpp
    tests/platform/gdi_face_facts_cache_test.cpp
    tests/platform/gdi_font_list_test.cpp
    tests/platform/gdi_default_face_test.cpp
    tests/platform/gdi_text_paint_test.cpp
    tests/platform/gdi_text_test.cpp
    tests/platform/rule_checks_test.cpp
    tests/platform/user_keyboard_test.cpp
    tests/platform/user_messages_test.cpp
    tests/platform/user_window_test.cpp
    tests/surfaces/bitmap_export_test.cpp
    tests/surfaces/bitmap_header_test.cpp
    tests/surfaces/blend_rows_test.cpp
    tests/surfaces/blends_test.cpp
    tests/surfaces/draw_stretched_test.cpp
    tests/surfaces/draw_surface_test.cpp
    tests/surfaces/surface_lifecycle_test.cpp
    tests/tool/command_line_test.cpp
    tests/tool/coverage_png_test.cpp)
# It reads the tool's PNG data back with zlib.
target_link_libraries(coverage_png_test PRIVATE PkgConfig::ZLIB)

vantor_tests(process
    tests/display/device_fatal_test.cpp
    tests/display/device_tool_run_test.cpp
    tests/platform/environment_test.cpp
    tests/platform/presenter_headless_test.cpp
    tests/tool/fontsheet_errors_test.cpp
    tests/tool/fontsheet_hostile_font_test.cpp
    tests/tool/fontsheet_keys_test.cpp
    tests/tool/fontsheet_command_line_test.cpp
    tests/tool/fontsheet_list_test.cpp
    tests/tool/fontsheet_loading_test.cpp
    tests/tool/fontsheet_many_fonts_test.cpp
    tests/tool/fontsheet_sheet_test.cpp)

vantor_tests(x11
    tests/demo/demo_test.cpp
    tests/platform/sdl_desktop_window_test.cpp
    tests/platform/sdl_presenter_test.cpp
    tests/platform/x_session_test.cpp
    tests/tool/real_window_test.cpp)

# A test file nobody declared would silently never run.
file(GLOB_RECURSE written_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/*_test.cpp)
get_property(declared_tests GLOBAL PROPERTY VANTOR_DECLARED_TESTS)
list(REMOVE_ITEM written_tests ${declared_tests})
if(written_tests)
    message(FATAL_ERROR "Test files without a declaration in tests/test_programs.cmake: ${written_tests}")
endif()
