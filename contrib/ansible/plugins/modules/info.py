#!/usr/bin/python
# The instances of an installation and whether each runs, as facts: `vxcfg list` and
# `vxcfg status` for each instance.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
---
module: info
short_description: Facts about the Vendrix instances and whether they run
description:
  - Returns every instance of the data file as C(vxcfg list) gives it, with the state
    C(vxcfg status) reports for it, in the fact C(vxconfig_instances).
  - Changes nothing; runs in check mode too.
version_added: "1.0.0"
extends_documentation_fragment:
  - vendrix.vxconfig.vxcfg
author:
  - vxconfig developers
'''

EXAMPLES = r'''
- name: Read the instances
  vendrix.vxconfig.info:

- name: Show the ones that are not running
  ansible.builtin.debug:
    msg: "{{ vxconfig_instances | rejectattr('status.state', 'eq', 'running') | map(attribute='name') }}"
'''

RETURN = r'''
ansible_facts:
  description: Facts set by the module.
  returned: always
  type: dict
  contains:
    vxconfig_instances:
      description: One entry per instance, C(vxcfg list)'s fields (C(name), C(first_port),
        C(last_port), C(web_server), C(database_type), C(database)) and C(status), what
        C(vxcfg status) reported (C(daemon), C(state), C(reason), C(exit)).
      type: list
      elements: dict
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.vendrix.vxconfig.plugins.module_utils.vxcfg import (
    COMMON_ARGS, Vxcfg, VxcfgError, fail)


def main():
    module = AnsibleModule(argument_spec=dict(COMMON_ARGS), supports_check_mode=True)
    vx = Vxcfg(module)
    try:
        instances = vx.run('list')['data']
        for entry in instances:
            report = vx.run('status', [entry['name']])
            entry['status'] = report['data'][0] if report.get('data') else {}
    except VxcfgError as error:
        fail(module, error)
    module.exit_json(changed=False, ansible_facts=dict(vxconfig_instances=instances))


if __name__ == '__main__':
    main()
