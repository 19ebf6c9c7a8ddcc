// A benchmark program that links counting_allocator.cpp counts every heap
// allocation it makes here (global operator new is replaced).
#pragma once

extern long allocations;
