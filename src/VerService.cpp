// SPDX-FileCopyrightText: 2026 The verservice authors
// SPDX-License-Identifier: MIT

/*
 * verservice - tell which firmware package this appliance runs
 *
 * One option in, one token out on standard output, with no line end so
 * that a script can take the answer as it is.  Exit status 0 when an
 * option was recognised, 1 when none was or when the answer could not
 * be written.  Nothing is ever printed on standard error.
 */

#include <stdio.h>
#include <string.h>

/*
 * What changes from one release to the next is written by configure,
 * from the release file that it has read and judged: the first three
 * fields of "-v" and "-iv", and the images with their build numbers.
 */
#include "release.h"

static_assert(sizeof(int) == 4, "build numbers are 32-bit");

constexpr int nBins = 9;

/*
 * The images of the firmware package and their build numbers.  The
 * numbers are kept as text: a single image's number is printed exactly
 * as the build system stamped it, and the package number is read from
 * the same text, so there is no second copy to drift out of step.
 * constexpr, so that the compiler lays the table out whole and no code
 * runs at start-up to fill it.
 */
extern constexpr const char *a2pcVersion[nBins][2] = { VERSERVICE_IMAGES };

constexpr int aiFirmware[3] = { VERSERVICE_FIRMWARE };
constexpr int aiInternal[3] = { VERSERVICE_INTERNAL };
constexpr char acBrand[] = "MORVAX";
constexpr char acModel[] = "QRN-5730";

static int getBinIndex(const char *pcName)
{
	for (int i = 0; i < nBins; i++)
		if (strcmp(a2pcVersion[i][0], pcName) == 0)
			return i;
	return -1;
}

/*
 * The package carries the number of its newest image.  The parse cell
 * is not reset between rows: a text that "%d" cannot read leaves the
 * previous row's number, which can never raise the maximum.
 */
static int getBuildNum()
{
	int iMax = 0;
	int iNum = 0;

	for (int i = 0; i < nBins; i++) {
		(void)sscanf(a2pcVersion[i][1], "%d", &iNum);
		if (iNum > iMax)
			iMax = iNum;
	}
	return iMax;
}

static int printVersion(const int aiField[3])
{
	return printf("%d.%d.%d.%d", aiField[0], aiField[1], aiField[2],
	    getBuildNum());
}

int main(int argc, char *argv[])
{
	/*
	 * A buffer of our own, so that standard output never mallocs one;
	 * large enough that the C library keeps the answer in it and sends
	 * it in one write at the flush.
	 */
	static char acOut[256];
	int iStatus = 1;
	int iPrinted = 0;

	setvbuf(stdout, acOut, _IOFBF, sizeof acOut);

	for (int i = 1; i < argc && iStatus != 0; i++) {
		const char *pcArg = argv[i];

		if (strcmp(pcArg, "-m") == 0)
			iPrinted = printf("%s", acBrand);
		else if (strcmp(pcArg, "-p") == 0)
			iPrinted = printf("%s", acModel);
		else if (strcmp(pcArg, "-v") == 0)
			iPrinted = printVersion(aiFirmware);
		else if (strcmp(pcArg, "-iv") == 0)
			iPrinted = printVersion(aiInternal);
		else if (strcmp(pcArg, "-b") == 0) {
			/* "-b" last names no image: answered like an unknown one. */
			int iRow = i + 1 < argc ? getBinIndex(argv[i + 1]) : -1;

			if (iRow >= 0)
				iPrinted = printf("%s", a2pcVersion[iRow][1]);
		} else
			continue;
		iStatus = 0;
	}

	/*
	 * An answer that never reached the caller is not a success, whether
	 * the write failed in printf or in the final flush.
	 */
	if (iPrinted < 0 || fflush(stdout) == EOF)
		return 1;
	return iStatus;
}
