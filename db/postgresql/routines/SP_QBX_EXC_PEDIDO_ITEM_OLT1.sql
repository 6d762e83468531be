-- Deletes an item logically; the same effect as the embedded procedure of
-- this name.
CREATE FUNCTION SP_QBX_EXC_PEDIDO_ITEM_OLT1(in_item numeric, in_usuario numeric)
    RETURNS TABLE ("RETORNO" integer, "MSG_RET" text) LANGUAGE plpgsql AS $$
DECLARE
    v_item integer := Infra_Inteiro(in_item);
    v_usuario integer := Infra_Inteiro(in_usuario);
BEGIN
    UPDATE PEDIDO_ITEM SET TAB_STATUS_ID = 2 WHERE PEDIDO_ITEM_ID = v_item;
    RETURN QUERY SELECT 0, ''::text;
END
$$;
