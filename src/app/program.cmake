# The program: the wiring of every subsystem's commands into the main window, then main().
add_library(zx_program STATIC ${CMAKE_SOURCE_DIR}/src/app/wiring.h ${CMAKE_SOURCE_DIR}/src/app/wiring.cpp)
target_link_libraries(zx_program PUBLIC zx_mainform zx_shell zx_encrypt_ui zx_tree_ui zx_search_ui zx_fileops_ui)

add_executable(zarvex ${CMAKE_SOURCE_DIR}/src/app/main.cpp)
set_target_properties(zarvex PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/src/app)
target_link_libraries(zarvex PRIVATE zx_program)
