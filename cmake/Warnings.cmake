# Warnings on and clean for every target of ours.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow=local -Wno-missing-field-initializers)
option(WARNINGS_AS_ERRORS "Treat warnings as errors" OFF)
if(WARNINGS_AS_ERRORS)
    add_compile_options(-Werror)
endif()
