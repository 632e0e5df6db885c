# Warnings and the checked (sanitizer) build, for every target of the project.
add_compile_options(-Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor -Woverloaded-virtual)

if(TAVORIM_CHECKED)
    add_compile_options(-Werror -fsanitize=address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer -g)
    add_link_options(-fsanitize=address,undefined)
endif()

if(TAVORIM_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "TAVORIM_FUZZ needs clang (CXX=clang++-14)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -g)
    add_link_options(-fsanitize=address,undefined)
endif()
