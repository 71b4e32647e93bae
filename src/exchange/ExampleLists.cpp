#include "exchange/ExampleLists.h"

#include "exchange/TextListFile.h"

std::vector<std::u16string> ExampleTextLines(ListKind kind)
{
    if (kind == LIST_CUT) {
        return {
            u"Type_1\t2995\t15\t订单1\n",
            u"Type_1\t2995\t21\t订单2\n",
            u"Type_1\t3550\t9\t订单2\n",
            u"Type_1\t2500\t15\t订单3\n",
            u"Type_1\t4280\t8\n",
            u"Type_1\t4280\t8\n",
            u"Type_1\t985\t\t20\n",
            u"Type_2\t1500\t15\n",
            u"Type_2\t2550\t19\n",
            u"Type_2\t785\t\t25\n",
            u"Type_2\t5200\t18\n",
            u"Type_2\t4900\t8\n",
            u"Type_3\t885\t\t5\n",
            u"Type_3\t1200\t28\n",
            u"Type_3\t1900\t18\n",
        };
    }
    return {
        u"Type_1\t6000\t不限\t\t优先\n",
        u"Type_1\t12000\t30\n",
        u"Type_2\t6000\t不限\n",
        u"Type_3\t9000\t25\n",
    };
}

InputLists ExampleJobLists()
{
    InputLists lists;
    for (ListKind kind : {LIST_CUT, LIST_STOCK}) {
        for (std::u16string line : ExampleTextLines(kind)) {
            // The reader delivers a line without its line feed.
            line.pop_back();
            AppendListLine(line, kind, lists);
        }
    }
    return lists;
}
