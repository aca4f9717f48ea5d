# clang 14 refuses the x87 clobber list of Fptan in formula/X87.h ("clobbers must be
# last on the x87 stack": st(7) alone leaves a gap after st(0)). The fuzz build
# compiles with a copy of the header whose list names st(1) to st(7), which both
# compilers accept; quoted includes find the copy first (-iquote). Once the header
# itself lists them, the copy is the header unchanged.
set(x87_header ${PROJECT_SOURCE_DIR}/formula/X87.h)
file(READ ${x87_header} x87_text)
string(REPLACE "\"cc\", \"st(7)\")" "\"cc\", \"st(1)\", \"st(2)\", \"st(3)\", \"st(4)\", \"st(5)\", \"st(6)\", \"st(7)\")"
       x87_text "${x87_text}")
file(WRITE ${CMAKE_BINARY_DIR}/clang-compat/formula/X87.h "${x87_text}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${x87_header})
add_compile_options(-iquote ${CMAKE_BINARY_DIR}/clang-compat)
