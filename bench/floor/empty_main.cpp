// SPDX-License-Identifier: MIT
// The start-up floor of a version tool: a program that does nothing, built,
// linked and loaded exactly as the tool is (same flags, same needed
// libraries), so that what the tool costs beyond it is its own work.
int main()
{
    return 0;
}
