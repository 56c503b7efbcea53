// Linked with one library whole: it only has to link.
int main()
{
    return 0;
}
