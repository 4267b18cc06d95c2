add_library(qbox_warnings INTERFACE)
target_compile_options(qbox_warnings INTERFACE -Wall -Wextra -Wno-unused-parameter)
