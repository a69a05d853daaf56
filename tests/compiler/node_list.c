/* SPDX-License-Identifier: MIT */
/*
 * A correct user of the library, as real programs use it: a list of nodes
 * grown in one function, walked in another and emptied in a third, partly
 * through a second handle of the same node size. GCC must find nothing to
 * warn about here, with -Wall -Wextra or with -fanalyzer.
 */
#include <orvek_memory.h>

#include <stdio.h>

struct item {
    struct item *next;
    int value;
};

struct list {
    struct item *head;
    int count;
};

static int prepend(orvek_memory_handle *items, struct list *list, int value)
{
    struct item *item = orvek_memory_pop_node(items);

    if (item == ORVEK_NULL)
        return 0;
    item->value = value;
    item->next = list->head;
    list->head = item;
    list->count++;
    return 1;
}

static long sum(const struct list *list)
{
    const struct item *item;
    long total = 0;

    for (item = list->head; item != ORVEK_NULL; item = item->next)
        total += item->value;
    return total;
}

/* Odd values go back through the other handle: push reads no handle. */
static void empty(orvek_memory_handle *items, orvek_memory_handle *other, struct list *list)
{
    while (list->head != ORVEK_NULL) {
        struct item *next = list->head->next;
        orvek_memory_push_node(list->head->value % 2 ? other : items, list->head);
        list->head = next;
        list->count--;
    }
}

int main(void)
{
    orvek_memory_handle items, other;
    struct list list = {ORVEK_NULL, 0};
    int i;

    if (!orvek_memory_init(&items, (int)sizeof(struct item)))
        return 1;
    if (!orvek_memory_init(&other, (int)sizeof(struct item))) {
        orvek_memory_destroy(&items);
        return 1;
    }
    for (i = 0; i < 10; ++i)
        if (!prepend(&items, &list, i))
            break;
    printf("%d items, sum %ld\n", list.count, sum(&list));
    empty(&items, &other, &list);
    orvek_memory_destroy(&other);
    orvek_memory_destroy(&items);
    return 0;
}
