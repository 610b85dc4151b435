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

constexpr int nBins = 9;

/*
 * What changes from one release to the next is a file of its own: the
 * firmware build may write it from the images it has just built and name
 * it in VERSERVICE_RELEASE.  One FIRMWARE and one INTERNAL line give the
 * first three fields of "-v" and "-iv", nine IMAGE lines the images.  It
 * is read twice: for the fields, then for the table.
 */
#ifndef VERSERVICE_RELEASE
#define VERSERVICE_RELEASE "release.def"
#endif

#define FIRMWARE(a, b, c)	constexpr int aiFirmware[3] = { a, b, c };
#define INTERNAL(a, b, c)	constexpr int aiInternal[3] = { a, b, c };
#define IMAGE(pcName, pcBuild)
#include VERSERVICE_RELEASE
#undef FIRMWARE
#undef INTERNAL
#undef IMAGE

/*
 * The images of the firmware package and their build numbers.  The
 * numbers are kept as text: a single image's number is printed exactly
 * as the build system stamped it, and the package number is read from
 * the same text, so there is no second copy to drift out of step.
 */
#define FIRMWARE(a, b, c)
#define INTERNAL(a, b, c)
#define IMAGE(pcName, pcBuild)	{ pcName, pcBuild },
extern constexpr const char *a2pcVersion[][2] = {
#include VERSERVICE_RELEASE
};
#undef FIRMWARE
#undef INTERNAL
#undef IMAGE

constexpr char acBrand[] = "MORVAX";
constexpr char acModel[] = "QRN-5730";

/*
 * Whoever edits the table for the next release hears about a slip from
 * the compiler, not from an appliance that reports the wrong version.
 * No name or build number is longer than a file name may be on Linux
 * (NAME_MAX).  The checks read a text a byte a call, and a compiler stops
 * at 512 nested calls: each check after the first reads only short texts.
 */
constexpr int nTextMax = 255;

constexpr bool shortText(const char *p, int n = 0)
{
	return *p == '\0' || (n < nTextMax && shortText(p + 1, n + 1));
}

constexpr bool textsShort(int i = 0)
{
	return i == nBins || (shortText(a2pcVersion[i][0]) &&
	    shortText(a2pcVersion[i][1]) && textsShort(i + 1));
}

constexpr bool sameText(const char *a, const char *b)
{
	return *a == *b && (*a == '\0' || sameText(a + 1, b + 1));
}

/* Row i's name against those of rows j to the last. */
constexpr bool nameUnique(int i, int j)
{
	return j == nBins ||
	    (!sameText(a2pcVersion[i][0], a2pcVersion[j][0]) &&
	    nameUnique(i, j + 1));
}

constexpr bool namesDistinct(int i = 0)
{
	return i == nBins || (nameUnique(i, i + 1) && namesDistinct(i + 1));
}

/*
 * Plain digits only: a sign, a blank or a suffix would be read by "%d"
 * differently from how it is printed for "-b".  n is the value so far,
 * held wider than int so that one digit too many shows.
 */
constexpr bool digitsFrom(const char *p, long long n)
{
	return *p == '\0' || (*p >= '0' && *p <= '9' &&
	    n * 10 + (*p - '0') <= 2147483647 &&
	    digitsFrom(p + 1, n * 10 + (*p - '0')));
}

constexpr bool buildTextsDecimal(int i = 0)
{
	return i == nBins || (*a2pcVersion[i][1] != '\0' &&
	    digitsFrom(a2pcVersion[i][1], 0) && buildTextsDecimal(i + 1));
}

/* As "%d" reads a text that buildTextsDecimal has passed. */
constexpr int valueOf(const char *p, int n = 0)
{
	return *p == '\0' ? n : valueOf(p + 1, n * 10 + (*p - '0'));
}

constexpr int largestBuild(int i = 0, int iMax = 0)
{
	return i == nBins ? iMax : largestBuild(i + 1,
	    valueOf(a2pcVersion[i][1]) > iMax ? valueOf(a2pcVersion[i][1]) : iMax);
}

constexpr bool bShort = textsShort();

static_assert(sizeof(int) == 4, "build numbers are 32-bit");
static_assert(sizeof a2pcVersion / sizeof a2pcVersion[0] == nBins,
    "the release does not list nine images");
static_assert(bShort, "an image name or build number is longer than 255 bytes");
static_assert(!bShort || namesDistinct(), "two images share a name");
static_assert(!bShort || buildTextsDecimal(),
    "a build number is not plain decimal digits within 2147483647");

/*
 * A CMake build has read the release too, for the project version, the
 * package note, sw-versions and the self-test's answers: what it read
 * must be what is compiled here.
 */
#ifdef VERSERVICE_READ
#include VERSERVICE_READ

constexpr bool sameFields(const int *a, const int *b)
{
	return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

constexpr bool sameRows(int i = 0)
{
	return i == nBins || (sameText(a2pcRead[i][0], a2pcVersion[i][0]) &&
	    sameText(a2pcRead[i][1], a2pcVersion[i][1]) && sameRows(i + 1));
}

static_assert(!bShort || (sizeof a2pcRead == sizeof a2pcVersion && sameRows() &&
    sameFields(aiReadFirmware, aiFirmware) &&
    sameFields(aiReadInternal, aiInternal) && iReadBuild == largestBuild()),
    "the build read another release than the compiler compiles");
#endif

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
