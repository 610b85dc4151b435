// SPDX-FileCopyrightText: 2026 The verservice authors
// SPDX-License-Identifier: MIT

// The tool with its main renamed, linked as the tool is.  With no argument
// it calls main with a count of 0 and a vector of only the null pointer
// (since Linux 5.18 execve() hands such a program {""}); with one, it first
// copies it, as _FORTIFY_SOURCE checks, and writes to the image table,
// which must kill it with SIGSEGV.
#define main verserviceMain
#include "../src/VerService.cpp"
#undef main

int main(int argc, char *argv[])
{
	char *none[] = { nullptr };
	char acArg[16];
	char *query[] = { acArg, const_cast<char *>("-b"),
	    const_cast<char *>(a2pcVersion[0][0]), nullptr };

	if (argc < 2)
		return verserviceMain(0, none);
	strcpy(acArg, argv[1]);
	*const_cast<const char *volatile *>(&a2pcVersion[0][1]) = "written";
	return verserviceMain(3, query);
}
